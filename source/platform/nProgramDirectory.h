#pragma once

#include "platform/nstring/nString.h"

// The directory that holds the running executable, with its trailing "/", found through
// /proc/self/exe so that it does not depend on how the program was started; "" when the link
// cannot be read.
nString GetProgramDirectory();
