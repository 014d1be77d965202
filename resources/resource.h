#pragma once
// The program's version, titles and resource ids, written once for the
// resource script, the code and the build. Plain macros: the resource
// compiler reads this file too.

#define DORROWIN_VERSION_MAJOR 1
#define DORROWIN_VERSION_MINOR 4
#define DORROWIN_VERSION_TEXT "1.04"

#define DORROWIN_FULL_TITLE "Dorrowin v" DORROWIN_VERSION_TEXT
#define DORROWIN_COMPACT_TITLE "Dorrowin"
#define DORROWIN_CLASS_NAME "Dorrowin"

#define IDS_FULL_TITLE 103
#define IDS_COMPACT_TITLE 104
#define IDI_DORROWIN 107
#define IDI_DORROWIN_SMALL 108
#define IDS_CLASS_NAME 109
