#pragma once

// Marks the plug-in's exported interface. The library is built with hidden visibility, so
// nothing unmarked leaves it.
//
// DUVENDAL_EXPORT marks a free function or one member function.
//
// DUVENDAL_EXPORTED_CLASS marks a class whose virtual table and type information the host links
// against. On ELF platforms that takes the visibility of the whole class, and the linker's
// version script narrows it to the listed members. On Windows the class stays unmarked: an
// exported class exports every member, private ones too; its virtual table and type information
// are listed in the module-definition file instead.

#if defined(_WIN32)
#define DUVENDAL_EXPORT __declspec(dllexport)
#define DUVENDAL_EXPORTED_CLASS
#else
#define DUVENDAL_EXPORT __attribute__((visibility("default")))
#define DUVENDAL_EXPORTED_CLASS __attribute__((visibility("default")))
#endif
