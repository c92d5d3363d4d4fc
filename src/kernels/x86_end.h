// The close of a level's source opened by x86_begin.h: the baseline target again.
#if defined(__clang__)
#  pragma clang attribute pop
#else
#  pragma GCC diagnostic pop
#  pragma GCC pop_options
#endif

#undef QUENDALTEXT_KERNEL_PRAGMA
#undef QUENDALTEXT_KERNEL_PRAGMA_TEXT
#undef QUENDALTEXT_KERNEL_TARGET
