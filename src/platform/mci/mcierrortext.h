#pragma once
// The texts of the media-control error codes, in the program's own words.
//
// Threads: any (the table is constant).

#include "tonaria/mci.h"

// The text of an error code, or nullptr for a code that has none.
const char *mciErrorText(MCIERROR code);
