# The viewer's player hosted alone, for the render benchmark bench/render_bench.py
# (run by hand; needs Xvfb, GStreamer with x264enc, mpv and xwininfo).
add_executable(render_driver render_driver.cpp)
target_link_libraries(render_driver PRIVATE tvui)
