# The scheme window saves its view as a JPEG picture through libjpeg.
find_package(JPEG REQUIRED)
target_link_libraries(zoconfigurator PUBLIC JPEG::JPEG)
