/// \file
/// Export macro of the Log library.
#ifndef QUENDALLOG_LOGEXPORT_H
#define QUENDALLOG_LOGEXPORT_H

#if defined(_WIN32)
#  if defined(QUENDALLOG_BUILDING)
#    define QUENDALLOG_API __declspec(dllexport)
#  else
#    define QUENDALLOG_API __declspec(dllimport)
#  endif
#else
#  define QUENDALLOG_API __attribute__((visibility("default")))
#endif

// Class templates that live wholly in headers (CPPException). With ELF they are visible, so that
// their type information is one across shared libraries. On Windows each module instantiates its
// own copy, and exceptions of the same type still match: the compiler compares type information
// by name there.
#if defined(_WIN32)
#  define QUENDALLOG_TEMPLATE_API
#else
#  define QUENDALLOG_TEMPLATE_API __attribute__((visibility("default")))
#endif

#endif  // QUENDALLOG_LOGEXPORT_H
