# Runs the pelu program as an install script would: create a database in a new folder, then change
# the Admin password from standard input. Called by CTest with PELU set to the program's path.
set(data "${WORK}/cli-data")
file(REMOVE_RECURSE "${data}")
execute_process(COMMAND "${PELU}" --data "${data}" --create-database RESULT_VARIABLE created OUTPUT_VARIABLE said)
if(NOT created EQUAL 0 OR NOT EXISTS "${data}/pelu.db" OR NOT EXISTS "${data}/pelu.ini")
    message(FATAL_ERROR "--create-database failed (${created}): ${said}")
endif()
# A second run upgrades nothing and still succeeds.
execute_process(COMMAND "${PELU}" --data "${data}" --create-database RESULT_VARIABLE again)
if(NOT again EQUAL 0)
    message(FATAL_ERROR "a second --create-database failed")
endif()
file(WRITE "${WORK}/password.txt" "secret'1\n")
execute_process(COMMAND "${PELU}" --data "${data}" --set-password Admin INPUT_FILE "${WORK}/password.txt"
                RESULT_VARIABLE changed)
if(NOT changed EQUAL 0)
    message(FATAL_ERROR "--set-password Admin failed")
endif()
execute_process(COMMAND "${PELU}" --data "${data}" --set-password Nobody INPUT_FILE "${WORK}/password.txt"
                RESULT_VARIABLE unknown ERROR_VARIABLE complaint)
if(unknown EQUAL 0)
    message(FATAL_ERROR "--set-password accepted an unknown operator")
endif()
# A folder that cannot exist is refused with its path named.
execute_process(COMMAND "${PELU}" --data "${WORK}/password.txt/inside" --create-database
                RESULT_VARIABLE refused ERROR_VARIABLE reason)
if(refused EQUAL 0 OR NOT reason MATCHES "password.txt/inside")
    message(FATAL_ERROR "an impossible data folder was not refused by name: ${reason}")
endif()
