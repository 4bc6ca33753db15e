# Included by tests/CMakeLists.txt: sources of platform_tests for the GDI.
target_sources(platform_tests PRIVATE
)
