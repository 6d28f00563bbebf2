# SPDX-License-Identifier: GPL-3.0-or-later
# gzip_for_install(INPUT OUTPUT): OUTPUT is INPUT compressed as Debian wants files in
# /usr/share/man and /usr/share/doc: maximum compression, no file name and no time stamp, so the
# same input always gives the same bytes. Returns nothing; list OUTPUT in a target's DEPENDS.
function(gzip_for_install input output)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" sh ${input} ${output}
        DEPENDS ${input}
        VERBATIM)
endfunction()
