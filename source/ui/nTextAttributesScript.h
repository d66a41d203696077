#pragma once

#include "ui/nTextAttributes.h"

class SquirrelObject;

// Applies a script table to the record, keys in table order: "size", "color" (an integer RGBA
// colour, red in the low byte), "align" ("left", "right", "center", "justify"), "format"
// ("standard", "paragraph", "column"), "tracking", "heading". An unknown key, alignment or format
// logs one "[*]" line and leaves its word as it was. False when the value is no table.
bool ParseTextAttributes(const SquirrelObject& table, nTextAttributes& attributes);
