#pragma once

class QWidget;

// Controls that move money (book, settle, archive, approve, return, delete)
// take keyboard focus only when the user puts it there, by Tab, Backtab or a
// click. Focus that lands on one by itself (a sheet closing, a row going, a
// window coming back, a program's setFocus) goes to the page around it
// instead, so a Space or Return meant for something else moves no money.
//
//   MoneyFocus::mark(settleButton);
namespace MoneyFocus {

// Marks a control; the guard watches it for as long as it lives.
void mark(QWidget* control);
bool isMarked(const QWidget* widget);

// The page a widget sits on: the sheet it is shown in, else its navigation
// page, else its window.
QWidget* pageOf(QWidget* widget);

// Gives the focus back after a sheet or a row went: to `preferred` while it is
// still shown, enabled and moves no money, else to the page around `near`.
void restore(QWidget* preferred, QWidget* near);

}  // namespace MoneyFocus
