# azelrot_add_test(NAME name SOURCES ... LABEL unit|gui|integration|e2e [TIMEOUT s] [DBUS] [LIBS ...])
# GUI tests get the offscreen platform here, so no test sets it by hand.
# DBUS tests run inside their own private session bus.
find_package(GTest REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Test)
find_program(DBUS_RUN_SESSION dbus-run-session)

# One entry point for every test: a QApplication exists, as widgets, timers and sockets need.
add_library(azelrot_test_main OBJECT ${CMAKE_CURRENT_LIST_DIR}/../tests/support/test_main.cpp)
target_link_libraries(azelrot_test_main PUBLIC Qt6::Widgets GTest::gtest)
azelrot_configure_target(azelrot_test_main)

function(azelrot_add_test)
  cmake_parse_arguments(T "DBUS" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE azelrot_core azelrot_fakes azelrot_test_main
                        azelrot_test_support Qt6::Test GTest::gtest GTest::gmock ${T_LIBS})
  azelrot_configure_target(${T_NAME})
  if(T_DBUS)
    if(NOT DBUS_RUN_SESSION)
      message(WARNING "dbus-run-session not found: ${T_NAME} runs without a private bus")
      add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    else()
      add_test(NAME ${T_NAME} COMMAND ${DBUS_RUN_SESSION} -- $<TARGET_FILE:${T_NAME}>)
    endif()
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  endif()
  # Tests find the program and the simulators through these variables.
  # The program under test speaks its own Japanese whatever the machine's locale.
  set(env "QT_QPA_PLATFORM=offscreen" "AZELROT_EXE=$<TARGET_FILE:azelrot>" "LANG=C.UTF-8"
          "LC_ALL=" "LC_MESSAGES=")
  foreach(tool gs232b-sim orbx-sim track-bridge)
    if(TARGET ${tool})
      string(TOUPPER "${tool}" var)
      string(REPLACE "-" "_" var "${var}")
      list(APPEND env "AZELROT_${var}=$<TARGET_FILE:${tool}>")
      add_dependencies(${T_NAME} ${tool})
    endif()
  endforeach()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
endfunction()
