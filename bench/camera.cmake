# Time from the camera screen's save click to the file written and the
# picture shown, and the size of the JPEG, for a 640 × 480 camera-like frame.
add_executable(bench_camera ${CMAKE_CURRENT_SOURCE_DIR}/bench_camera.cpp)
target_link_libraries(bench_camera PRIVATE station_photo)
station_target_defaults(bench_camera)
