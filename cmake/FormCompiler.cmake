# velmora_add_forms(<target> NAMESPACE <ns> HANDLERS <handler lists...> FORMS <sources...>)
#
# Compiles the window sources with formc at build time and adds to <target> the generated
# source that defines, in namespace <ns>: kFormData and kFormDataSize (the form data),
# kHandlerTable and kHandlerCount (every handler of the list, in list order; a handler that
# does not exist fails the link) and kLastIdNumber (the highest id serial used). The
# declarations are in the generated header "<target>/Forms.h". Pictures and sounds the
# sources name are dependencies too: changing one recompiles the forms.
function(velmora_add_forms target)
  cmake_parse_arguments(ARG "" "NAMESPACE" "HANDLERS;FORMS" ${ARGN})
  if(NOT ARG_NAMESPACE OR NOT ARG_HANDLERS OR NOT ARG_FORMS)
    message(FATAL_ERROR "velmora_add_forms(${target}) needs NAMESPACE, HANDLERS and FORMS")
  endif()
  set(include_dir ${CMAKE_CURRENT_BINARY_DIR}/velmora_forms)
  set(out_dir ${include_dir}/${target})
  file(MAKE_DIRECTORY ${out_dir})
  set(handlers "")
  set(handler_args "")
  foreach(list IN LISTS ARG_HANDLERS)
    get_filename_component(list ${list} ABSOLUTE)
    list(APPEND handlers ${list})
    list(APPEND handler_args --handlers ${list})
  endforeach()
  set(forms "")
  foreach(form IN LISTS ARG_FORMS)
    get_filename_component(form ${form} ABSOLUTE)
    list(APPEND forms ${form})
  endforeach()
  add_custom_command(
    OUTPUT ${out_dir}/Forms.cpp ${out_dir}/Forms.h ${out_dir}/FormData.bin
    COMMAND formc --namespace ${ARG_NAMESPACE} ${handler_args}
            --data ${out_dir}/FormData.bin --source ${out_dir}/Forms.cpp
            --header ${out_dir}/Forms.h --header-name ${target}/Forms.h
            --depfile ${out_dir}/Forms.d ${forms}
    DEPENDS formc ${handlers} ${forms}
    DEPFILE ${out_dir}/Forms.d
    COMMENT "Compiling the forms of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out_dir}/Forms.cpp)
  # The generated source registers the handler table with the form-data reader.
  target_link_libraries(${target} PRIVATE velmora_forms_data)
  target_include_directories(${target} PRIVATE ${include_dir})
endfunction()
