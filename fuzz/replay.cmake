# Included by tests/CMakeLists.txt: each fuzz target built with the replay
# driver instead of libFuzzer, and one test per target that runs its committed
# corpus (fuzz/corpus/<target>/) through the target's checks.
foreach(target db_ini numeric_text custom_list)
  add_executable(fuzz_replay_${target}
    ${CMAKE_CURRENT_LIST_DIR}/${target}_fuzz.cpp ${CMAKE_CURRENT_LIST_DIR}/replay.cpp)
  target_link_libraries(fuzz_replay_${target} PRIVATE vandril_test_support)
  file(GLOB corpus CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/corpus/${target}/*)
  add_test(NAME fuzz_replay_${target} COMMAND fuzz_replay_${target} ${corpus})
  set_tests_properties(fuzz_replay_${target} PROPERTIES ENVIRONMENT "${VANDRIL_SANITIZER_ENV}")
endforeach()
target_sources(fuzz_replay_custom_list PRIVATE ${CMAKE_CURRENT_LIST_DIR}/slots_zero.cpp)
