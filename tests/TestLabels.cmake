# Labels of the discovered tests of one suite, read by CTest after the suite's discovery
# (_vellora_suite: the folder, _vellora_tests: its test names). A test is "quick" unless its
# suite or its name marks it slow; a slow test also carries its kind:
#   crash   - the real program killed under a tracer,
#   hostile - hostile servers, pages and archives at full size,
#   sim     - the stand-in servers,
#   gui     - the Qt views.
# `ctest -L quick` is the loop while changing code; CI runs every test.
set(_vellora_slow_suites "crash=crash" "hostile=hostile" "sim=sim" "ui=gui")
# Test-name patterns (regular expressions on "Suite.Test") of slow tests in otherwise quick suites.
set(_vellora_slow_names
    "^HostileServer=hostile"
    "^Hostile=hostile"
    "Sim\\.=sim"
    "^CliLoad\\.=sim"
    "^CliNet\\.=sim"
    "^GCDBDownload=sim"
    "^UpdateCheck\\.=sim"
    "^LoadHTMLStage\\.=sim")

set(_vellora_kind "")
foreach(_rule IN LISTS _vellora_slow_suites)
  string(REPLACE "=" ";" _rule "${_rule}")
  list(GET _rule 0 _suite)
  if(_suite STREQUAL _vellora_suite)
    list(GET _rule 1 _vellora_kind)
  endif()
endforeach()

foreach(_test IN LISTS _vellora_tests)
  set(_kind "${_vellora_kind}")
  if(NOT _kind)
    foreach(_rule IN LISTS _vellora_slow_names)
      string(REPLACE "=" ";" _rule "${_rule}")
      list(GET _rule 0 _pattern)
      if(_test MATCHES "${_pattern}")
        list(GET _rule 1 _kind)
        break()
      endif()
    endforeach()
  endif()
  if(_kind)
    set_tests_properties("${_test}" PROPERTIES LABELS "slow;${_kind}")
  else()
    set_tests_properties("${_test}" PROPERTIES LABELS "quick")
  endif()
endforeach()
