# Writes the table of the characters a message box shows as codes, from
# Unicode's own data (Debian's unicode-data): the controls (Cc), the line and
# paragraph separators (Zl, Zp), and the characters that reorder the text
# around them (Bidi_Control), as ranges "{0x0080, 0x009F},", one a line.
#   shown_as_code_table(OUTPUT_FILE)
set(OSOBY_UNICODE_DATA /usr/share/unicode CACHE PATH "Where Unicode's UnicodeData.txt and PropList.txt are")

function(shown_as_code_table output)
    set(data ${OSOBY_UNICODE_DATA}/UnicodeData.txt)
    set(properties ${OSOBY_UNICODE_DATA}/PropList.txt)
    if(NOT EXISTS ${data} OR NOT EXISTS ${properties})
        message(FATAL_ERROR "Unicode's data is not in ${OSOBY_UNICODE_DATA} (Debian: apt-get install unicode-data; "
                            "elsewhere set OSOBY_UNICODE_DATA to a folder with UnicodeData.txt and PropList.txt)")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${data} ${properties})

    # One code point a line here; runs of them become one range.
    file(STRINGS ${data} lines REGEX "^[0-9A-F]+;[^;]*;(Cc|Zl|Zp);")
    set(table "")
    set(first "")
    set(last -2)
    foreach(line IN LISTS lines)
        string(REGEX MATCH "^[0-9A-F]+" hex "${line}")
        math(EXPR code "0x${hex}")
        math(EXPR next "${last} + 1")
        if(NOT code EQUAL next)
            if(NOT first STREQUAL "")
                math(EXPR last_hex "${last}" OUTPUT_FORMAT HEXADECIMAL)
                string(APPEND table "{${first}, ${last_hex}},\n")
            endif()
            math(EXPR first "${code}" OUTPUT_FORMAT HEXADECIMAL)
        endif()
        set(last ${code})
    endforeach()
    math(EXPR last_hex "${last}" OUTPUT_FORMAT HEXADECIMAL)
    string(APPEND table "{${first}, ${last_hex}},\n")

    # Code points and ranges: "200E..200F    ; Bidi_Control # ...".
    file(STRINGS ${properties} lines REGEX "^[0-9A-F.]+ *; Bidi_Control ")
    foreach(line IN LISTS lines)
        string(REGEX MATCH "^([0-9A-F]+)(\\.\\.([0-9A-F]+))?" range "${line}")
        set(range_first ${CMAKE_MATCH_1})
        set(range_last "${CMAKE_MATCH_3}")
        if("${range_last}" STREQUAL "")
            set(range_last ${range_first})
        endif()
        string(APPEND table "{0x${range_first}, 0x${range_last}},\n")
    endforeach()
    file(CONFIGURE OUTPUT ${output} CONTENT "${table}")
endfunction()
