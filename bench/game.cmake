# The game's solver over every puzzle, and one answer-entry press end to end, by the
# rules alone and by keys through the game window.
add_executable(game_bench game_bench.cpp)
target_link_libraries(game_bench PRIVATE numui benchmark::benchmark)
