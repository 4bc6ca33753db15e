# Included by tests/CMakeLists.txt: sources of the picture tests.
target_sources(platform_tests PRIVATE
  platform/image/PictureBuilders.h
  platform/image/BmpDecodeTest.cpp
  platform/image/CursorImageTest.cpp
  platform/image/IconDecoderTest.cpp
  platform/image/PcxDecoderTest.cpp
  platform/image/PictureDecoderTest.cpp
  platform/image/PictureDeterminismTest.cpp
  platform/image/PictureSizeTest.cpp
  platform/image/PngDecoderTest.cpp
  platform/image/TiffDecoderTest.cpp
  platform/image/WmfPlayerTest.cpp
  platform/image/WmfRealFilesTest.cpp
)
