#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "components/Overlays.h"
#include "platform/ShareService.h"

// The share sheet of a desktop: a compact sheet at the bottom of the window
// that copies the exact text to the clipboard (confirmed by a short
// "Скопировано") or saves it to a file the user names.
class ShareSheetService : public ShareService {
public:
    // The window the sheet is shown in; it must outlive every share.
    explicit ShareSheetService(QWidget* window);

    void share(const QString& title, const QString& text, const QString& suggestedFileName = {}) override;

    // The sheet of the last share while it is open (tests).
    Sheet* currentSheet() const { return sheet_; }

    // Writes the text as UTF-8, atomically and every byte checked: on failure
    // (a full disk among them) the file there stays as it was and *error
    // holds the reason.
    static bool saveText(const QString& path, const QString& text, QString* error);

private:
    QWidget* window_;
    QPointer<Sheet> sheet_;
};

// The sheet's content: the title and the three choices. Buttons are named
// "shareCopyButton", "shareSaveButton" and "shareCancelButton"; the save
// dialog, while open, is a child named "shareSaveDialog".
class ShareSheetContent : public QWidget {
    Q_OBJECT
public:
    ShareSheetContent(const QString& title, const QString& text, const QString& suggestedFileName,
                      QWidget* parent = nullptr);

signals:
    void finished();

private:
    void copy();
    void chooseFile();
    void save(const QString& path);

    QString text_;
    QString fileName_;
};
