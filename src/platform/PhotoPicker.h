#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

// Picks one image from the user's files. Never blocks: `done` is called once,
// later, with the file's bytes, or nullopt when the user cancelled or the file
// could not be read. The bytes are not decoded here.
class PhotoPicker {
public:
    virtual ~PhotoPicker() = default;
    virtual void pickImage(std::function<void(std::optional<QByteArray> bytes)> done) = 0;
};
