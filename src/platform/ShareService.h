#pragma once

#include <QString>

// The share sheet: offers a text (an export) to leave the app, with a title
// shown above the choices. The text is handed on byte for byte.
class ShareService {
public:
    virtual ~ShareService() = default;
    // suggestedFileName: the name offered when the user saves to a file
    // ("Zanbeck.csv"); empty lets the implementation pick one from the title.
    virtual void share(const QString& title, const QString& text, const QString& suggestedFileName = {}) = 0;
};
