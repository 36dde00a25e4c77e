# Fuzz targets. With DAYVANE_FUZZ (clang only) they are libFuzzer programs
# under AddressSanitizer and UndefinedBehaviorSanitizer; in every other
# Linux build a replay program runs them over their seed corpora as tests.
set(FUZZ_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz)
set(FUZZ_TARGETS val keeper)

if(DAYVANE_FUZZ)
  add_library(dayvane_sim STATIC ${CMAKE_SOURCE_DIR}/tests/sim/sim_toolkit.cpp)
  target_include_directories(dayvane_sim PUBLIC ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(dayvane_sim PUBLIC dayvane_core)
  foreach(target ${FUZZ_TARGETS})
    add_executable(fuzz_${target} ${FUZZ_DIR}/${target}_fuzz.cpp)
    target_link_libraries(fuzz_${target} PRIVATE dayvane_sim)
    target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
  endforeach()
else()
  foreach(target ${FUZZ_TARGETS})
    add_executable(fuzz_${target}_replay ${FUZZ_DIR}/${target}_fuzz.cpp ${FUZZ_DIR}/replay_main.cpp)
    target_link_libraries(fuzz_${target}_replay PRIVATE dayvane_sim)
    add_test(NAME fuzz_${target}_corpus
             COMMAND fuzz_${target}_replay ${FUZZ_DIR}/corpus/${target})
  endforeach()
endif()
