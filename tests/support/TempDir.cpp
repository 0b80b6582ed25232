#include "support/TempDir.h"

#include <stdexcept>

TempDir::TempDir() : dir_(std::make_unique<QTemporaryDir>()) {
    if (!dir_->isValid()) throw std::runtime_error("cannot create a temporary folder");
}
