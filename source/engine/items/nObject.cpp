#include "engine/items/nObject.h"

nObject::nObject(Quenvar* engine) : nItem(engine) {}

nObject::~nObject() = default;
