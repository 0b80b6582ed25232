#pragma once

class QDateTimeEdit;

// Qt's date fields size themselves for the plain style; under the kit's field
// style (padding and the calendar chevron) their value lost its last digits.
namespace DateField {

// Keeps the field at least as wide as its whole value needs, measured on the
// field as it is styled and laid out (its own padding, frame and chevron),
// again whenever its font or style changes.
void showWholeValue(QDateTimeEdit* field);

// The width the field needs for its whole value; 0 before it is laid out.
int wholeValueWidth(const QDateTimeEdit& field);

}  // namespace DateField
