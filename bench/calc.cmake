# The calculator on the solver's candidate formulas.
add_executable(calc_bench calc_bench.cpp)
target_link_libraries(calc_bench PRIVATE calc benchmark::benchmark)
