#include "app/Links.h"

#include <array>

namespace {

// Path of a derived address after the slug, by link kind (home page is never derived).
constexpr std::array<const char*, kLinkKindCount> kDerivedSuffix = {
    "/help/Help_Content.html",    // help content
    "/help/HowTosVideoDemo.html", // tutorials
    "",                           // home page
    "/help/MoreFreeTools.html",   // more tools
    "/help/CheckForUpdates.html", // updates
    "/help/Support.html",         // support
};

// The 8-character prefix row names its free editions "<name> Free ...".
constexpr int kFreeMarkerPrefix = 8;

} // namespace

QString LinkSlug(const TEditionRow& row, const QString& title) {
    QString marker = QString::fromUtf8(row.Name).toLower();
    if (row.PrefixLength == kFreeMarkerPrefix)
        marker += " free";
    QString slug = title.toLower();
    slug.remove(marker);
    slug.remove(' ');
    return slug;
}

QString LookupLink(TLinkKind kind, const QString& editionName) {
    const TEditionRow* row = FindEditionRow(editionName.toStdString(), TEditionLookup::elLinks);
    if (!row)
        return {};
    const int index = static_cast<int>(kind);
    const QString cell = QString::fromUtf8(row->Links[index]);
    if (cell != QLatin1String(kDerivedLink))
        return cell;
    return QString::fromUtf8(row->BaseAddress) + LinkSlug(*row, editionName) + kDerivedSuffix[index];
}
