# Every web address the program opens or fetches is fixed when the program is
# built, one cache variable each.

include(${CMAKE_CURRENT_LIST_DIR}/LinkCheck.cmake)

function(quobel_link VAR DEFAULT DOC)
    set(${VAR} "${DEFAULT}" CACHE STRING "${DOC}")
    quobel_check_link(${VAR} "${${VAR}}" ${ARGN})
endfunction()

quobel_link(QUOBEL_ICON_TOOL_LINK "http://qorhome.example.net/share/icon-tool"
    "File-share page of the icon-making tool")
quobel_link(QUOBEL_BUG_FORUM_LINK "http://qorhome.example.net/bbs/forumdisplay.php?fid=4"
    "Forum board for bug reports" "/forumdisplay\\.php\\?fid=4")
quobel_link(QUOBEL_BLOG_LINK_A "http://hi.example.com/qor"
    "The author's first blog")
quobel_link(QUOBEL_BLOG_LINK_B "http://blog.example.cn/qor"
    "The author's second blog")
quobel_link(QUOBEL_PHRASE_LIST_LINK "http://qorhome.example.net/share/quobel-phrases"
    "File-share page of the list of supported phrases")
quobel_link(QUOBEL_UPDATE_FORUM_LINK "http://qorhome.example.net/bbs/forumdisplay.php?fid=5"
    "Forum board where new versions are posted" "/forumdisplay\\.php\\?fid=5")
quobel_link(QUOBEL_UPDATE_PROBE_LINK "http://qorhome.example.net/quobel/123.htm"
    "Probe page of the update check" "/123\\.htm")
