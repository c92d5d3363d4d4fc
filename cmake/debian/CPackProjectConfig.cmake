# Read by cpack before it builds the packages: every component's description starts with its
# own synopsis, so no summary is put before it.
unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
