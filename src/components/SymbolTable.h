#pragma once

#include <vector>

// The table behind Symbols: system-symbol name -> bundled icon file.
namespace symbol_table {

enum class IconStyle { Outline, Filled };
// Drawn around the icon when the icon set has no circled variant of its own.
enum class Decoration { None, Circle, CircleFill };

struct Entry {
    const char* name;  // the system-symbol name
    IconStyle style;
    const char* icon;  // file name in icons/outline or icons/filled, without ".svg"
    Decoration decoration;
};

const std::vector<Entry>& entries();
const std::vector<const char*>& screenNames();

}  // namespace symbol_table
