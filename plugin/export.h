#pragma once

// Marks the plug-in's exported interface. The library is built with hidden visibility, so
// nothing else leaves it; on ELF platforms a linker version script narrows the marked classes
// further to the members that the host links against.

#if defined(_WIN32)
#define DUVENDAL_EXPORT __declspec(dllexport)
#else
#define DUVENDAL_EXPORT __attribute__((visibility("default")))
#endif
