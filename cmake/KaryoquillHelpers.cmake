# kq_add_layer(NAME <lib> DEPENDS <targets...>)
# Builds every .cpp/.h of the calling folder into one static library.
function(kq_add_layer)
  cmake_parse_arguments(ARG "" "NAME" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${ARG_NAME} STATIC ${sources})
  target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPENDS})
endfunction()

# kq_add_test_suite(NAME <exe> MAIN gui|core DEPENDS <targets...>)
# Builds every .cpp of the calling test folder into one GoogleTest program.
function(kq_add_test_suite)
  cmake_parse_arguments(ARG "" "NAME;MAIN" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  if(ARG_MAIN STREQUAL "gui")
    set(main kq_test_main_gui)
  else()
    set(main kq_test_main_core)
  endif()
  add_executable(${ARG_NAME} ${sources})
  target_link_libraries(${ARG_NAME} PRIVATE ${main} kq_test_support ${ARG_DEPENDS} GTest::gtest GTest::gmock)
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
