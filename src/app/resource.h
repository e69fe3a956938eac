// Resource identifiers shared by korvane.rc and the C++ code. Plain macros,
// since the resource compiler understands only the preprocessor.
#ifndef KORVANE_APP_RESOURCE_H
#define KORVANE_APP_RESOURCE_H

#define IDI_APP 101

#endif
