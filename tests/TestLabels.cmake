# Which tests are quick and which are slow, by rule, so that a new test falls into its place
# without being named anywhere. A test is quick unless its folder or its name marks it slow; a slow
# test carries "slow" and its kind:
#   crash   - the real program killed under a tracer,
#   hostile - hostile servers, pages and archives at full size,
#   sim     - the stand-in servers,
#   gui     - the Qt views,
#   interop - our files checked by outside tools (gpsbabel, xmllint, cs2cs).
#   package - the Debian package unpacked and tried (tests/package; not in sanitizer builds:
#             scripts/test.sh runs it on the release build).
# `ctest -L quick` is the loop while changing code; CI runs every test.

# Folders whose tests are all slow: folder=kind.
set(VELLORA_SLOW_FOLDERS "crash=crash" "hostile=hostile" "sim=sim" "ui=gui")
# Slow tests in the other folders, as --gtest_filter patterns on "Suite.Test": pattern=kind.
set(VELLORA_SLOW_TESTS
    "Hostile*=hostile" "Unzip.Hostile*=hostile"
    "CliDbCrash.*=crash"
    "*Sim.*=sim" "CliLoad.*=sim" "CliNet.*=sim" "ArchiveList.*=sim" "ListLoader.*=sim" "LoadFinds.*=sim"
    "GCDBDownload*=sim" "UpdateCheck.*=sim" "LoadHTMLErrorPage.*=sim" "LoadHTMLStage.*=sim"
    "SavedListings.PagesOfTheStandInSite=sim" "CliBooklet.*=sim"
    "TrickleCli.*=hostile"
    "Interop.*=interop" "Validation.*=interop" "UtmAgainstProj.*=interop" "DescriptionBrowser.*=interop"
    "GpxDescriptionBrowser.*=interop")

# Registers the tests of one suite executable. Slow tests are one CTest test each (labels set by
# ApplyTestLabels.cmake once CTest knows them); the quick tests of an executable run as one
# CTest test, "<folder>.quick", in one process: starting a process per test cost more than the
# tests themselves. A failing quick test is named in that test's output.
function(vellora_register_tests target folder)
  set(_kind "")
  foreach(_rule IN LISTS VELLORA_SLOW_FOLDERS)
    string(REPLACE "=" ";" _rule "${_rule}")
    list(GET _rule 0 _slow_folder)
    if(_slow_folder STREQUAL folder)
      list(GET _rule 1 _kind)
    endif()
  endforeach()
  set(_patterns "")
  set(_regexes "")
  foreach(_rule IN LISTS VELLORA_SLOW_TESTS)
    string(REPLACE "=" ";" _rule "${_rule}")
    list(GET _rule 0 _pattern)
    list(GET _rule 1 _pattern_kind)
    list(APPEND _patterns "${_pattern}")
    string(REPLACE "." "\\." _regex "${_pattern}")
    string(REPLACE "*" ".*" _regex "${_regex}")
    string(REPLACE "?" "." _regex "${_regex}")
    list(APPEND _regexes "^${_regex}$=${_pattern_kind}")
  endforeach()
  string(REPLACE ";" ":" _slow_filter "${_patterns}")

  # Run from the build root, where the compiler's relative __FILE__ paths start (fixtures next to a
  # test). One value per property: the discovered tests' properties lose the separators of a list value.
  set(_filter "")
  if(NOT _kind)
    set(_filter TEST_FILTER "${_slow_filter}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 WORKING_DIRECTORY "${CMAKE_BINARY_DIR}" ${_filter}
                       PROPERTIES ENVIRONMENT "TZ=Europe/Berlin"
                       ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
  set(_labels "${CMAKE_CURRENT_BINARY_DIR}/${target}_labels.cmake")
  file(WRITE "${_labels}"
       "set(_vellora_kind \"${_kind}\")\n"
       "set(_vellora_rules [==[${_regexes}]==])\n"
       "set(_vellora_tests \"\${${target}_TESTS}\")\n"
       "include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ApplyTestLabels.cmake\")\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_labels}")

  if(NOT _kind)
    add_test(NAME ${folder}.quick COMMAND ${target} "--gtest_filter=-${_slow_filter}"
             WORKING_DIRECTORY "${CMAKE_BINARY_DIR}")
    set_tests_properties(${folder}.quick PROPERTIES LABELS quick ENVIRONMENT "TZ=Europe/Berlin"
                         ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
  endif()
endfunction()
