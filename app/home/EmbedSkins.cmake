# Writes the C++ source that carries the skin library's image and the 33 skin blocks inside
# the program, so that the program can put the library beside itself on first start.
#   cmake -DLIBRARY=<SkinH_EL.dll> -DSKIN_DIR=<folder of NN.skin> -DOUTPUT=<file.cpp> -P EmbedSkins.cmake

# One byte array, sixteen bytes a line.
function(embed_bytes file name out)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR size "${length} / 2")
  if(size EQUAL 0)
    message(FATAL_ERROR "EmbedSkins: ${file} is empty")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # CMake's expressions have no counted repeat, so the sixteen are spelled out.
  string(REPEAT "0x..," 16 line)
  string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
  set(${out} "alignas(16) const uint8_t ${name}[${size}] = {\n    ${bytes}\n};\n" PARENT_SCOPE)
endfunction()

set(text "// Generated at build time from the skin library and the skin blocks; not edited by hand.\n")
string(APPEND text "#include \"app/home/EmbeddedSkins.h\"\n\nnamespace app::home {\n\nnamespace {\n\n")
embed_bytes("${LIBRARY}" kLibrary chunk)
string(APPEND text "${chunk}\n")
set(table "")
foreach(n RANGE 1 33)
  if(n LESS 10)
    set(n "0${n}")
  endif()
  embed_bytes("${SKIN_DIR}/${n}.skin" kSkin${n} chunk)
  string(APPEND text "${chunk}\n")
  string(APPEND table "    {kSkin${n}, sizeof kSkin${n}},\n")
endforeach()
string(APPEND text "}  // namespace\n\n")
string(APPEND text "const EmbeddedBlock kSkinLibraryImage{kLibrary, sizeof kLibrary};\n\n")
string(APPEND text "const EmbeddedBlock kSkinBlocks[kSkinCount] = {\n${table}};\n\n")
string(APPEND text "}  // namespace app::home\n")

# Rewritten only when the contents change, so that an unchanged skin rebuilds nothing.
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
