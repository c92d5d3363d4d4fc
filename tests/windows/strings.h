// Numbers of the strings in strings.rc, read by string_resource_test.cpp.
#define QT_TEST_GREETING 1
#define QT_TEST_300_UNITS 2
#define QT_TEST_255_UNITS 3
#define QT_TEST_MISSING 99
