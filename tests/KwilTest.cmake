# kwil_add_test(NAME name SOURCES ... LIBS ... [GUI] [TIMEOUT s] [LABELS ...])
# One QtTest executable per class under test. Every test runs headless with a
# fixed locale and its own HOME and XDG folders, so nothing leaks between tests
# or into the developer's desktop.
function(kwil_add_test)
  cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE kwil_testsupport ${T_LIBS} Qt6::Test kwil_warnings)
  set(home ${CMAKE_BINARY_DIR}/testhome/${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;TZ=Asia/Tokyo;HOME=${home};XDG_CONFIG_HOME=${home}/.config;XDG_DATA_HOME=${home}/.local/share;XDG_CACHE_HOME=${home}/.cache;KWIL_BUILD_DIR=${CMAKE_BINARY_DIR}")
  file(MAKE_DIRECTORY ${home}/.config ${home}/.local/share ${home}/.cache)
endfunction()
