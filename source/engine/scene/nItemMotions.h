#pragma once

#include "core/base/nList.h"
#include "core/base/nWalkList.h"

class nAnimationSourceList;
class nMItem;

// Starts the named motion on every item of the list that has one, with the player's fade time,
// add flag and weight. With outSources a new list, which the caller owns, receives every source
// started (it is made even when none starts).
void StartItemMotions(const nList<nMItem*>& items, const char* name, nAnimationSourceList** outSources,
                      float fadeTime, bool add, float weight);
void StartItemMotions(const nWalkList<nMItem*>& items, const char* name, nAnimationSourceList** outSources,
                      float fadeTime, bool add, float weight);
