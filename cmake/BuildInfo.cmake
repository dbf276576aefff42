# Writes the build information header at build time (cmake -DOUT=... -DVERSION=... -P).
# The date is today's in UTC, or that of SOURCE_DATE_EPOCH when it is set (string(TIMESTAMP)
# reads it), so that a reproducible build gives the same bytes. configure_file rewrites the
# header only when it changes: a rebuild on the same day compiles nothing.
string(TIMESTAMP BUILD_DATE "%Y-%m-%d" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildInfo.h.in ${OUT} @ONLY)
