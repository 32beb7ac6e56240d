#pragma once

#include <QString>

class QFont;
class QPrinter;

// Prints plain text in one font on the printer's page (its margins already set): lines longer
// than the page are wrapped, a page is started whenever the next line would not fit, tabs stop
// every half inch. Returns the number of pages printed; 0 when the printer could not start.
int PrintPlainText(QPrinter* printer, const QString& text, const QFont& font);

// Sets the half-inch margins that the text documents print with.
void SetTextPrintMargins(QPrinter* printer);
