# The layers: which deliverables each deliverable may link, directly or through another.
# This table is the one place the dependencies are written down; ov_check_layers() holds
# every target of the tree to it when the build is configured, and a deliverable missing
# from it fails the configure too. A library's tests and helpers may link what the
# library may link; OV_TESTS_MAY_LINK_<deliverable> adds what its tests need beyond that.
# The run-time loads (the store finding the parser by name) are not links and are not
# listed.
set(OV_MAY_LINK_ovutil "")
set(OV_MAY_LINK_ovole ovutil)
set(OV_MAY_LINK_ovstore ovutil ovole)
set(OV_MAY_LINK_ovoleui ovutil ovole)
set(OV_MAY_LINK_ovparse ovutil ovole ovstore)
set(OV_MAY_LINK_ovgui1 ovutil)
set(OV_MAY_LINK_oviui1 ovutil ovole ovstore ovgui1)
set(OV_MAY_LINK_ovgui2 ovutil ovole ovgui1)
# The published windows draw through the window extensions.
list(APPEND OV_MAY_LINK_oviui1 ovgui2)
# The data objects make object and link-source descriptors with the OLE-UI helpers.
list(APPEND OV_MAY_LINK_oviui1 ovoleui)
set(OV_MAY_LINK_oviui2 ovutil ovole ovstore ovgui1 ovgui2 oviui1)
set(OV_MAY_LINK_ovitool ovutil ovole ovstore ovgui1)
set(OV_MAY_LINK_ovcdlg ovutil ovole ovstore ovgui1 oviui1)
set(OV_MAY_LINK_ovkored "")
set(OV_MAY_LINK_ovrun ovutil ovole ovstore ovparse ovgui1 oviui1)
# The launcher keeps each module's OLE control store (oviui2's container).
list(APPEND OV_MAY_LINK_ovrun oviui2)
# The stub shares the launcher's static part.
set(OV_MAY_LINK_ovapp ovrun ovutil ovole ovstore ovparse ovgui1 oviui1)
list(APPEND OV_MAY_LINK_ovapp oviui2)
# The VBX emulation library, under its three file names: our own layer, links no other.
set(OV_MAY_LINK_vbxthunk_n "")
set(OV_MAY_LINK_vbxthunk_s "")
set(OV_MAY_LINK_vbxthunk_c "")
set(OV_MAY_LINK_jxmds04 "")
set(OV_MAY_LINK_jxutl04 jxmds04)
set(OV_MAY_LINK_jxsql04 jxutl04)
set(OV_MAY_LINK_jxlib jxsql04 jxutl04)
set(OV_MAY_LINK_ovdb ovutil ovole ovstore ovitool jxlib)

# oviui1's tests run Basic on its objects end to end.
set(OV_TESTS_MAY_LINK_oviui1 ovparse)
# ovitool's tests run Basic on its objects too.
set(OV_TESTS_MAY_LINK_ovitool ovparse)
# ovcdlg's tests run Basic programs that run the dialogs.
set(OV_TESTS_MAY_LINK_ovcdlg ovparse)
# oviui2's tests run Basic on its controls end to end, and the sample through ovrun.
set(OV_TESTS_MAY_LINK_oviui2 ovparse ovrun)
# Its automation tests call the test automation server of oleui's tests (built, not linked).
list(APPEND OV_TESTS_MAY_LINK_oviui2 ovoleui)

# Everything deliverable d may link: the table's entries and theirs, in out.
function(ov_layer_closure out d)
  set(seen)
  set(todo ${OV_MAY_LINK_${d}})
  while(todo)
    list(POP_FRONT todo next)
    if(NOT next IN_LIST seen)
      list(APPEND seen ${next})
      list(APPEND todo ${OV_MAY_LINK_${next}})
    endif()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# The deliverable a linked item stands for: itself, the deliverable whose objects it is,
# or, for a helper library of the tree, the first deliverable of its folder. Empty for
# system libraries, googletest and folders without deliverables (testkit/, bench/).
function(ov_layer_of out item)
  set(layer "")
  if(TARGET ${item})
    get_target_property(d ${item} OV_DELIVERABLE)
    if(d)
      set(layer ${d})
    else()
      get_target_property(dir ${item} SOURCE_DIR)
      ov_folder_of(folder ${dir})
      if(folder)
        get_property(ds GLOBAL PROPERTY OV_FOLDER_DELIVERABLES_${folder})
        if(ds)
          list(GET ds 0 layer)
        endif()
      endif()
    endif()
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

# Every target defined under dir and its subfolders, in out.
function(ov_targets_under out dir)
  get_property(ts DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subs})
    ov_targets_under(more ${sub})
    list(APPEND ts ${more})
  endforeach()
  set(${out} ${ts} PARENT_SCOPE)
endfunction()

# Fails the configure when a target links a deliverable its layer may not link.
function(ov_check_layers)
  get_property(deliverables GLOBAL PROPERTY OV_DELIVERABLES)
  foreach(d ${deliverables})
    if(NOT DEFINED OV_MAY_LINK_${d})
      message(FATAL_ERROR "Layer check: ${d} has no entry in cmake/OrvanelLayers.cmake")
    endif()
  endforeach()
  ov_targets_under(targets ${PROJECT_SOURCE_DIR})
  foreach(t ${targets})
    get_target_property(dir ${t} SOURCE_DIR)
    ov_folder_of(folder ${dir})
    get_target_property(own ${t} OV_DELIVERABLE)
    if(own)
      set(owners ${own})
    else()
      get_property(owners GLOBAL PROPERTY OV_FOLDER_DELIVERABLES_${folder})
    endif()
    if(NOT owners)
      continue()
    endif()
    get_target_property(is_test ${t} OV_TEST)
    set(allowed ${owners})
    foreach(o ${owners})
      ov_layer_closure(more ${o})
      list(APPEND allowed ${more})
      if(is_test)
        list(APPEND allowed ${OV_TESTS_MAY_LINK_${o}})
      endif()
    endforeach()
    get_target_property(type ${t} TYPE)
    set(links)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${t} LINK_LIBRARIES)
    endif()
    get_target_property(deps ${t} MANUALLY_ADDED_DEPENDENCIES)
    foreach(item ${links} ${deps})
      ov_layer_of(layer ${item})
      if(layer AND NOT layer IN_LIST allowed)
        list(JOIN owners "/" owner_text)
        set(may ${allowed})
        list(REMOVE_ITEM may ${owners})
        list(REMOVE_DUPLICATES may)
        list(JOIN may " " may)
        message(FATAL_ERROR
          "Layer check: ${t} (${folder}/, layer ${owner_text}) links ${item} (layer ${layer}), "
          "a layer above or beside ${owner_text}; "
          "${owner_text} may link only: ${may} (see cmake/OrvanelLayers.cmake)")
      endif()
    endforeach()
  endforeach()
endfunction()
