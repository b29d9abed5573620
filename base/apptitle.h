#pragma once
// The application title, derived from the product name, which titles every message box.
#include <QString>

// The product name from which the application title is derived.
inline constexpr char16_t kProductName[] = u"Tinselwick Christmas Gift List Maker";

// Derives the title from a product name: drops the last word, and again while over 40 chars.
QString deriveApplicationTitle(const QString& productName);
// Makes the title derived from kProductName the application title.
void SetApplicationTitle();
// The title of every message box that names none of its own.
QString applicationTitle();
