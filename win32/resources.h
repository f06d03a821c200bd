#pragma once

// Identifiers of the pictures compiled into the program. Macros, since the resource compiler reads them too.
#define SETUP_ICON 1
#define SETUP_LOGO 101
#define SETUP_BAR 102
