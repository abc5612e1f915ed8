# Writes the manual page jotrak.1, and jotrak.1.gz beside it, from what
# `jotrak --help` prints, so that the two always say the same:
#   cmake -DPROGRAM=<jotrak> -DOUTPUT=<folder>/jotrak.1 -DVERSION=<x.y> -DDATE=<yyyy-mm-dd>
#         -P JotrakManPage.cmake
# The help is: a usage line, the description up to an empty line, a heading,
# then one line per option ("  -h, --help   text"), long texts continued on
# lines indented further.
cmake_minimum_required(VERSION 3.25) # empty lines stay in lists
set(ENV{ASAN_OPTIONS} "detect_leaks=0") # a sanitizer build answers --help too
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${result})")
endif()

# roff's special characters; "\:" lets a line break after punctuation, since
# Chinese text has no spaces to break at (the page is set ragged and unhyphenated)
function(_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  foreach(mark "，" "。" "、" "；" "：" "）" "," ")" "<semicolon>")
    string(REPLACE "${mark}" "${mark}\\:" text "${text}")
  endforeach()
  if(text MATCHES "^[.']")
    string(PREPEND text "\\&")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# a CMake list splits at ';': the text's own semicolons are kept aside
string(REPLACE ";" "<semicolon>" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
list(POP_FRONT lines usage)
string(REGEX REPLACE "^[^ ]* *[^ ]*jotrak " "" synopsis "${usage}")

set(part description)
set(name)
set(description)
set(options)
foreach(line IN LISTS lines)
  if(part STREQUAL "description")
    if(line STREQUAL "")
      set(part heading)
    elseif(NOT name)
      string(REGEX REPLACE "^Jotrak[:：]|。$" "" name "${line}")
    else()
      _roff("${line}" line)
      string(APPEND description ".PP\n${line}\n")
    endif()
  elseif(part STREQUAL "heading")
    set(part options)
  elseif(line MATCHES "^  ([^ ]+( [^ ]+)*)  +(.*)$")
    set(text "${CMAKE_MATCH_3}")
    _roff("${CMAKE_MATCH_1}" names)
    string(REGEX REPLACE "(<[^>]*>)" "\\\\fI\\1\\\\fB" names "${names}")
    if(options)
      string(APPEND options "\n")
    endif()
    _roff("${text}" text)
    string(APPEND options ".TP\n\\fB${names}\\fR\n${text}")
  elseif(line MATCHES "^    +(.*)$")
    # a wrapped text goes on: English words were parted at a space, Chinese anywhere
    set(more "${CMAKE_MATCH_1}")
    if(options MATCHES "[!-~]$" AND more MATCHES "^[!-~]")
      string(APPEND options " ")
    endif()
    _roff("${more}" more)
    string(APPEND options "${more}")
  endif()
endforeach()
string(APPEND options "\n")

_roff("${name}" name)
_roff("${synopsis}" synopsis)
set(page ".\\\" Made from `jotrak --help` when Jotrak is built.
.TH JOTRAK 1 \"${DATE}\" \"Jotrak ${VERSION}\" \"User Commands\"
.ad l
.nh
.SH NAME
jotrak \\- ${name}
.SH SYNOPSIS
.B jotrak
${synopsis}
.SH DESCRIPTION
${description}.SH OPTIONS
${options}")
string(REPLACE "<semicolon>" ";" page "${page}")
file(WRITE ${OUTPUT} "${page}")
execute_process(COMMAND gzip -9n -c ${OUTPUT} OUTPUT_FILE ${OUTPUT}.gz RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip ${OUTPUT} failed")
endif()
