# The layers the web page's module is compiled from (web/CMakeLists.txt), and so the layers its
# own source (src/web) may include.
set(HOLESTRESS_WEB_LAYERS numeric model io laminate hole ply joint analysis dialogue job runner plot)
