#pragma once

#include <QWidget>
#include <functional>

#include "models/MoneyModels.h"

// "Добавить доход" and "Добавить расход", which ask the root for the form.
class QuickActions : public QWidget {
    Q_OBJECT
public:
    explicit QuickActions(std::function<void(TransactionKind)> addTransaction, QWidget* parent = nullptr);
};
