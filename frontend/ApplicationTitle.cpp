#include "frontend/ApplicationTitle.h"

#include <QCoreApplication>
#include <QVariant>

namespace {

constexpr const char* kTitleProperty = "mediawizTitle";

} // namespace

void SetApplicationTitle(const QString& title) {
    qApp->setProperty(kTitleProperty, title);
}

QString ApplicationTitle() {
    return qApp->property(kTitleProperty).toString();
}
