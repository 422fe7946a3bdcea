# Included by app/CMakeLists.txt after velmora_app is defined.
#
# The skinning library and the 33 skins travel inside the program (the program writes the
# library beside itself on first start), so the source that carries them is generated from
# the built library and the made skins.
set(home_embedded ${CMAKE_CURRENT_BINARY_DIR}/home/EmbeddedSkinData.cpp)
set(home_skin_files)
foreach(n RANGE 1 33)
  if(n LESS 10)
    set(n "0${n}")
  endif()
  list(APPEND home_skin_files ${CMAKE_BINARY_DIR}/skins/${n}.skin)
endforeach()
add_custom_command(
  OUTPUT ${home_embedded}
  COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:velmora_skin>
          -DSKIN_DIR=${CMAKE_BINARY_DIR}/skins -DOUTPUT=${home_embedded}
          -P ${CMAKE_CURRENT_LIST_DIR}/EmbedSkins.cmake
  # A library that an earlier build of the program wrote out beside itself may not read
  # these skins; the program never rewrites one it finds, so the build takes it away and
  # the next start writes the one it carries.
  COMMAND ${CMAKE_COMMAND} -E rm -f ${CMAKE_BINARY_DIR}/bin/SkinH_EL.dll
  DEPENDS velmora_skin velmora_skins ${home_skin_files} ${CMAKE_CURRENT_LIST_DIR}/EmbedSkins.cmake
  COMMENT "Embedding the skin library and the skins")
target_sources(velmora_app PRIVATE ${home_embedded})

# The maker's page is installed beside the program and read from there, so that the web page
# window works offline; the program finds it under this name in its folder.
set(VELMORA_MAKER_PAGE maker/index.html)
set(home_page_dir ${CMAKE_BINARY_DIR}/bin/maker)
set(home_page_files ${home_page_dir}/index.html ${home_page_dir}/home.jpg)
add_custom_command(
  OUTPUT ${home_page_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${home_page_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/app/assets/maker/index.html
          ${PROJECT_SOURCE_DIR}/app/assets/home.jpg ${home_page_dir}
  DEPENDS ${PROJECT_SOURCE_DIR}/app/assets/maker/index.html ${PROJECT_SOURCE_DIR}/app/assets/home.jpg
  COMMENT "Installing the maker's page beside the program")
add_custom_target(velmora_maker_page ALL DEPENDS ${home_page_files})
add_dependencies(velmora_app velmora_maker_page)
target_compile_definitions(velmora_app PRIVATE VELMORA_MAKER_PAGE="${VELMORA_MAKER_PAGE}")
