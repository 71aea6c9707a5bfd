# cmake -DOUTPUT=<file.cpp> -DINPUTS=<a|b|c> -P EmbedDeskPage.cmake
# Writes deskPageFile(), which hands out each input file's bytes by its name.
string(REPLACE "|" ";" INPUTS "${INPUTS}")
set(body "")
set(lookup "")
set(index 0)
foreach(input IN LISTS INPUTS)
  get_filename_component(name "${input}" NAME)
  get_filename_component(extension "${input}" LAST_EXT)
  if(extension STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(extension STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  elseif(extension STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  else()
    set(type "application/octet-stream")
  endif()
  file(READ "${input}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "constexpr unsigned char file${index}[] = {${bytes}0};\n")
  string(APPEND lookup "    if (name == \"${name}\") {\n"
    "        return DeskPageFile{std::string_view(reinterpret_cast<const char*>(file${index}), ${size}), \"${type}\"};\n"
    "    }\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp"
  "// Made by cmake/EmbedDeskPage.cmake from src/desk/page: do not edit.\n"
  "#include \"desk/DeskPage.h\"\n\n"
  "namespace tolvane {\n\nnamespace {\n${body}} // namespace\n\n"
  "std::optional<DeskPageFile> deskPageFile(std::string_view name) {\n${lookup}"
  "    return std::nullopt;\n}\n\n} // namespace tolvane\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
