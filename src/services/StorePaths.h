#pragma once

#include <QString>
#include <optional>

// Where the ledger files and receipts live: one "Zanbeck" folder inside the
// user's data folder. The data folder may be unknown (no HOME, a relative
// location); then every path here is nullopt and nothing is ever written, so a
// missing setting can never send a ledger to "/" or to the working folder.
class StorePaths {
public:
    // dataFolder: the user's data folder (absolute). nullopt, empty or relative
    // means "no usable data folder".
    explicit StorePaths(std::optional<QString> dataFolder);

    // The platform's user data folder (~/.local/share on Linux), when it has one.
    static StorePaths system();

    bool usable() const { return root_.has_value(); }
    std::optional<QString> zanbeckFolder() const;     // <data>/Zanbeck
    std::optional<QString> legacyFile() const;        // <data>/Zanbeck/money_data.json
    std::optional<QString> accountsFolder() const;    // <data>/Zanbeck/accounts
    std::optional<QString> anonymousFile() const;     // <data>/Zanbeck/accounts/anonymous.json
    std::optional<QString> accountFile(const QString& userId) const;  // .../accounts/<sanitised>.json
    std::optional<QString> receiptsFolder() const;    // <data>/Zanbeck/receipts

    // Every Unicode scalar that is neither a letter, a mark, a digit nor "-"
    // becomes one "_"; the rest is kept as is (no case change, no shortening).
    static QString sanitisedId(const QString& userId);

    // Creates the folder with every missing parent, each new one 0700 whatever
    // the umask; an existing folder is fine. false with the system's
    // description in *error otherwise (for example a file standing where a
    // folder should be).
    static bool makeFolder(const QString& path, QString* error);

    // Narrows what was made wider before (by an older build, another umask):
    // the Zanbeck folder and its subfolders to 0700, their files to 0600.
    void narrowModes() const;

private:
    std::optional<QString> root_;  // cleaned absolute path of <data>/Zanbeck
};
