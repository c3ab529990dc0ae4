# Tests that need MariaDB get a server of their own: a CTest fixture per test program, so that
# programs run in parallel without sharing the database "vivododadi", and the cleanup test stops
# the server and removes its folder even when the program crashed.
set(OSTREVIN_TEST_SERVER_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/test-server)
# Programs under the label "galera" get a 3-node cluster instead (scripts/test-galera).
set(OSTREVIN_TEST_GALERA_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/test-galera)

# ostrevin_add_test(NAME target [DATABASE | CLUSTER]): registers a test program with CTest.
function(ostrevin_add_test name target)
  cmake_parse_arguments(ARG "DATABASE;CLUSTER" "" "" ${ARGN})
  set(OSTREVIN_TEST_SERVER_SCRIPT ${OSTREVIN_TEST_SERVER_SCRIPT})
  if(ARG_CLUSTER)
    set(ARG_DATABASE ON)
    set(OSTREVIN_TEST_SERVER_SCRIPT ${OSTREVIN_TEST_GALERA_SCRIPT})
  endif()
  if(ARG_DATABASE)
    set(server_dir ${CMAKE_BINARY_DIR}/testservers/${name})
    add_test(NAME ${name}.server_setup
      COMMAND bash ${OSTREVIN_TEST_SERVER_SCRIPT} start ${server_dir})
    add_test(NAME ${name}.server_cleanup
      COMMAND bash ${OSTREVIN_TEST_SERVER_SCRIPT} stop ${server_dir})
    set_tests_properties(${name}.server_setup PROPERTIES FIXTURES_SETUP ${name}_server)
    set_tests_properties(${name}.server_cleanup PROPERTIES FIXTURES_CLEANUP ${name}_server)
    add_test(NAME ${name}
      COMMAND bash ${OSTREVIN_TEST_SERVER_SCRIPT} exec ${server_dir} -- $<TARGET_FILE:${target}>)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${name}_server)
    if(ARG_CLUSTER)
      set_tests_properties(${name} ${name}.server_setup ${name}.server_cleanup PROPERTIES LABELS galera)
    endif()
  else()
    add_test(NAME ${name} COMMAND ${target})
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OSTREVIN_TEST_TMP=${CMAKE_BINARY_DIR}/testtmp"
    TIMEOUT 600)
endfunction()
