#pragma once

#include "app/EditionTable.h"

#include <QString>

// The edition's web address of a link kind; empty when the edition has none.
QString LookupLink(TLinkKind kind, const QString& editionName);

// The part of a prefix-matched title that names the product inside derived addresses.
QString LinkSlug(const TEditionRow& row, const QString& title);
