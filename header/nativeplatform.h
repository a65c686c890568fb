#pragma once

#include "header/companion.h"

// The platform the programs run on. On Windows: the registry, the file version resources and
// the shell's open call. Elsewhere the companion product cannot be installed, so its
// registration reads as missing, and addresses go to the desktop's URL opener (App::OpenUrl).
TCompanionPlatform& NativePlatform();
