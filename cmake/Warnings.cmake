# vantrel_target(<target>): the warning set and language settings every target of the project shares.
function(vantrel_target target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
        -Wno-missing-field-initializers)
    if(VANTREL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
