# Reads back, on the build machine, what a test printed where pdftotext does not run (the Windows
# build under wine; tests/ui/printed_pdf.h): DIR holds NAME.pdf and NAME.expected for each print,
# the list one text a line that the PDF's text must hold. Fails when there is no list, when
# pdftotext cannot read a PDF, or when a text is not in it.
#
#   cmake -DDIR=<directory> -P printed_pdf_check.cmake
if(NOT DIR)
  message(FATAL_ERROR "usage: cmake -DDIR=<directory> -P printed_pdf_check.cmake")
endif()
find_program(PDFTOTEXT pdftotext)
if(NOT PDFTOTEXT)
  message(FATAL_ERROR "pdftotext is not installed (Debian package poppler-utils)")
endif()
file(GLOB lists "${DIR}/*.expected")
if(NOT lists)
  message(FATAL_ERROR "${DIR}: no print was handed over to be read back")
endif()

foreach(list IN LISTS lists)
  string(REGEX REPLACE "\\.expected$" ".pdf" pdf "${list}")
  execute_process(COMMAND "${PDFTOTEXT}" -layout "${pdf}" -
                  OUTPUT_VARIABLE text ERROR_VARIABLE problem RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "${pdf}: pdftotext failed (${status}): ${problem}")
    continue()
  endif()
  # One text a line (none holds a semicolon, which would split it here).
  file(STRINGS "${list}" texts ENCODING UTF-8)
  set(missing "")
  foreach(wanted IN LISTS texts)
    string(FIND "${text}" "${wanted}" at)
    if(at EQUAL -1)
      string(APPEND missing "\n  ${wanted}")
    endif()
  endforeach()
  list(LENGTH texts count)
  if(missing)
    message(SEND_ERROR "${pdf}: not in the printed text:${missing}\nwhich is:\n${text}")
  else()
    message(STATUS "${pdf}: all ${count} texts printed")
  endif()
endforeach()
