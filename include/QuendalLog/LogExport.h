// Export macro of the Log library.
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

#endif  // QUENDALLOG_LOGEXPORT_H
