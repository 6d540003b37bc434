# libcurl with libssh2 on mbedTLS, built static from Debian's sources by
# tools/third-party (at configure time, once per target and pinned versions)
# and offered as the INTERFACE target kelpo_curl.
set(KELPO_THIRD_PARTY_DIR "$ENV{KELPO_THIRD_PARTY_DIR}")
if(NOT KELPO_THIRD_PARTY_DIR)
  set(KELPO_THIRD_PARTY_DIR ${CMAKE_SOURCE_DIR}/build/third-party)
endif()
set(KELPO_THIRD_PARTY_PREFIX ${KELPO_THIRD_PARTY_DIR}/${CMAKE_SYSTEM_PROCESSOR})

execute_process(
  COMMAND ${CMAKE_SOURCE_DIR}/tools/third-party ${CMAKE_SYSTEM_PROCESSOR} ${KELPO_THIRD_PARTY_DIR}
  RESULT_VARIABLE third_party_result)
if(NOT third_party_result EQUAL 0)
  message(FATAL_ERROR "tools/third-party ${CMAKE_SYSTEM_PROCESSOR} failed")
endif()
# A changed pin rebuilds at the next configure.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/tools/third-party.versions ${CMAKE_SOURCE_DIR}/tools/third-party)

# The pinned versions, for `kelpo.exe --version`.
file(STRINGS ${CMAKE_SOURCE_DIR}/tools/third-party.versions third_party_pins REGEX "^[A-Z0-9]+=")
set(KELPO_THIRD_PARTY_VERSIONS "")
foreach(pin IN LISTS third_party_pins)
  string(REGEX REPLACE "^[A-Z0-9]+=" "" pin "${pin}")
  string(REPLACE "=" " " pin "${pin}")
  list(APPEND KELPO_THIRD_PARTY_VERSIONS "${pin}")
endforeach()
list(JOIN KELPO_THIRD_PARTY_VERSIONS ", " KELPO_THIRD_PARTY_VERSIONS)

add_library(kelpo_curl INTERFACE)
target_include_directories(kelpo_curl SYSTEM INTERFACE ${KELPO_THIRD_PARTY_PREFIX}/include)
target_compile_definitions(kelpo_curl INTERFACE CURL_STATICLIB)
target_link_libraries(kelpo_curl INTERFACE
  ${KELPO_THIRD_PARTY_PREFIX}/lib/libcurl.a
  ${KELPO_THIRD_PARTY_PREFIX}/lib/libssh2.a
  ${KELPO_THIRD_PARTY_PREFIX}/lib/libmbedtls.a
  ${KELPO_THIRD_PARTY_PREFIX}/lib/libmbedx509.a
  ${KELPO_THIRD_PARTY_PREFIX}/lib/libmbedcrypto.a
  ws2_32 crypt32 secur32 bcrypt advapi32)
