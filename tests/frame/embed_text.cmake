# Writes the text of the file IN into OUT as a C++ raw string literal, for a
# test to #include.
#   IN, OUT
cmake_minimum_required(VERSION 3.25)

file(READ "${IN}" text)
if(text MATCHES "\\)embedded\"")
  message(FATAL_ERROR "${IN} holds the literal's closing delimiter")
endif()
file(WRITE "${OUT}" "R\"embedded(${text})embedded\"\n")
