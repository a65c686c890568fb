# Zap time of the viewer's player against the mpv command-line player, both on the
# loopback RTSP test stream (needs /usr/bin/python3 with GStreamer's RTSP server, and mpv)
# and on a loopback HLS live stream (tv/tests/hls_server.py, segments made with ffmpeg).
add_executable(tv_bench tv_bench.cpp)
target_link_libraries(tv_bench PRIVATE tvtestsupport benchmark::benchmark)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/hls-segments)
target_compile_definitions(tv_bench PRIVATE
    TV_BENCH_HLS_DIR="${CMAKE_CURRENT_BINARY_DIR}/hls-segments")

# Channel lists of 10,000 entries: reading, the menu, the largest group, a search keystroke
# and the memory they cost.
add_executable(playlist_bench playlist_bench.cpp)
target_link_libraries(playlist_bench PRIVATE tvtestsupport benchmark::benchmark)

# Memory over a thousand channel switches, read from /proc and the C library's allocator.
if(TARGET tvflicker)
    add_executable(flicking_bench flicking_bench.cpp)
    target_link_libraries(flicking_bench PRIVATE tvflicker)
endif()

# The channel window over 10,000 channels with logos from the loopback test server and a
# week of programmes each.
add_executable(channelwindow_bench channelwindow_bench.cpp)
target_link_libraries(channelwindow_bench PRIVATE tvtestsupport benchmark::benchmark)

# The programme guide's reader: a 15 MB guide against Python's streaming parser, and a
# 200 MB one with its channels last through the incremental reader.
add_executable(guide_bench guide_bench.cpp $<TARGET_OBJECTS:tvplaylist>)
target_link_libraries(guide_bench PRIVATE tvplaylist)
target_compile_definitions(guide_bench PRIVATE
    TV_BENCH_GUIDE_ITERPARSE="${CMAKE_CURRENT_SOURCE_DIR}/guide_iterparse.py")
