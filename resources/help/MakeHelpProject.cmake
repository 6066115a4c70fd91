# Writes the Qt Help project of the help pages: the pages themselves, a table of contents
# and a keyword index. The index holds every page under its title and its window name
# (made from the file name), and every field topic under "Field (Window)", so that the
# index and F1 reach the same places.
#
#   cmake -DHELP_SOURCE=<resources/help> -DHELP_OUTPUT=<folder> -P MakeHelpProject.cmake
#
# The pages are copied beside the project, where qhelpgenerator expects them.

file(GLOB pages RELATIVE ${HELP_SOURCE} ${HELP_SOURCE}/*.html)
list(SORT pages)
file(MAKE_DIRECTORY ${HELP_OUTPUT})

function(xml_escape text out)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(toc "")
set(keywords "")
set(files "")
foreach(page ${pages})
    configure_file(${HELP_SOURCE}/${page} ${HELP_OUTPUT}/${page} COPYONLY)
    string(APPEND files "      <file>${page}</file>\n")

    # Headings only: a title or the first h2 names the page, an h2 a group of fields, an
    # h3 with an anchor a field.
    file(STRINGS ${HELP_SOURCE}/${page} headings REGEX "<h[23]>|<title>")
    set(pageTitle "")
    set(section "")
    foreach(line ${headings})
        if(line MATCHES "<title>([^<]*)</title>")
            set(pageTitle "${CMAKE_MATCH_1}")
        endif()
        if(line MATCHES "<h2>([^<]*)</h2>")
            set(section "${CMAKE_MATCH_1}")
            if(pageTitle STREQUAL "")
                set(pageTitle "${section}")
            endif()
        elseif(line MATCHES "<h3><a name=\"(topic[0-9]+)\"></a>([^<]*)</h3>")
            xml_escape("${CMAKE_MATCH_2} (${section})" name)
            string(APPEND keywords
                   "      <keyword name=\"${name}\" ref=\"${page}#${CMAKE_MATCH_1}\"/>\n")
        endif()
    endforeach()
    if(pageTitle STREQUAL "")
        set(pageTitle "${page}")
    endif()

    # "banner-dialog.html" -> "Banner Dialog", the name the windows ask help for.
    string(REGEX REPLACE "\\.html$" "" stem "${page}")
    string(REPLACE "-" ";" words "${stem}")
    set(windowName "")
    foreach(word ${words})
        string(SUBSTRING "${word}" 0 1 first)
        string(SUBSTRING "${word}" 1 -1 rest)
        string(TOUPPER "${first}" first)
        string(APPEND windowName " ${first}${rest}")
    endforeach()
    string(STRIP "${windowName}" windowName)

    xml_escape("${pageTitle}" title)
    xml_escape("${windowName}" window)
    string(APPEND keywords "      <keyword name=\"${title}\" ref=\"${page}\"/>\n")
    if(NOT windowName STREQUAL pageTitle)
        string(APPEND keywords "      <keyword name=\"${window}\" ref=\"${page}\"/>\n")
    endif()
    if(NOT page STREQUAL "index.html")
        string(APPEND toc "        <section title=\"${title}\" ref=\"${page}\"/>\n")
    endif()
endforeach()

file(WRITE ${HELP_OUTPUT}/velmora.qhp.new
"<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<QtHelpProject version=\"1.0\">
  <namespace>org.velmora.help</namespace>
  <virtualFolder>doc</virtualFolder>
  <filterSection>
    <toc>
      <section title=\"Velmora Help\" ref=\"index.html\">
${toc}      </section>
    </toc>
    <keywords>
${keywords}    </keywords>
    <files>
${files}    </files>
  </filterSection>
</QtHelpProject>
")
# Only a changed project makes the help compiled again.
file(COPY_FILE ${HELP_OUTPUT}/velmora.qhp.new ${HELP_OUTPUT}/velmora.qhp ONLY_IF_DIFFERENT)
file(REMOVE ${HELP_OUTPUT}/velmora.qhp.new)
