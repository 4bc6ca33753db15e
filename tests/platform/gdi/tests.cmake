# Included by tests/CMakeLists.txt: sources of platform_tests for the GDI.
target_sources(platform_tests PRIVATE
  platform/gdi/GdiTestSupport.h
  platform/gdi/BitFieldsTest.cpp
  platform/gdi/BlitTest.cpp
  platform/gdi/BrushTest.cpp
  platform/gdi/CanvasTest.cpp
  platform/gdi/FloodFillTest.cpp
  platform/gdi/FontWinFntTest.cpp
  platform/gdi/GeometricPenTest.cpp
  platform/gdi/GraphicsHashTest.cpp
  platform/gdi/PenTest.cpp
  platform/gdi/RegionTest.cpp
  platform/gdi/RopTest.cpp
  platform/gdi/SymbolFontsTest.cpp
  platform/gdi/TextTest.cpp
)
