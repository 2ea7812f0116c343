# A stand-in camera for the tests and benchmarks: camera-like frames pushed
# through the camera screen's video sink. Not part of the station.
add_library(station_synthetic_camera STATIC
  ${PROJECT_SOURCE_DIR}/tests/support/syntheticsource.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/syntheticsource.h)
target_include_directories(station_synthetic_camera PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(station_synthetic_camera PUBLIC station_photo Qt6::Multimedia)
station_target_defaults(station_synthetic_camera)
