# Runs the pelu program as an install script would: create a database in a new folder, then change
# the Admin password from standard input. Called by CTest with PELU set to the program's path.
set(data "${WORK}/cli-data")
file(REMOVE_RECURSE "${data}")
execute_process(COMMAND "${PELU}" --data "${data}" --create-database RESULT_VARIABLE created OUTPUT_VARIABLE said)
if(NOT created EQUAL 0 OR NOT EXISTS "${data}/pelu.db" OR NOT EXISTS "${data}/pelu.ini")
    message(FATAL_ERROR "--create-database failed (${created}): ${said}")
endif()
# The office starts on it as far as its login dialog.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen "${PELU}" --data "${data}" --check-startup
                RESULT_VARIABLE started OUTPUT_VARIABLE startSaid TIMEOUT 60)
if(NOT started EQUAL 0 OR NOT startSaid MATCHES "peak memory: [1-9][0-9]* kB")
    message(FATAL_ERROR "pelu did not start to its login dialog and say its peak memory (${started}): ${startSaid}")
endif()
# A second run upgrades nothing and still succeeds.
execute_process(COMMAND "${PELU}" --data "${data}" --create-database RESULT_VARIABLE again)
if(NOT again EQUAL 0)
    message(FATAL_ERROR "a second --create-database failed")
endif()
file(WRITE "${WORK}/password.txt" "secret'1\n")
# Two tasks at once are refused whole: no database made, no password silently dropped.
file(REMOVE_RECURSE "${WORK}/both")
execute_process(COMMAND "${PELU}" --data "${WORK}/both" --create-database --set-password Admin
                INPUT_FILE "${WORK}/password.txt" RESULT_VARIABLE both ERROR_VARIABLE bothSaid)
if(both EQUAL 0 OR EXISTS "${WORK}/both/pelu.db" OR NOT bothSaid MATCHES "set-password")
    message(FATAL_ERROR "--create-database with --set-password was not refused: ${bothSaid}")
endif()
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
# An empty operator name or an empty password changes nothing and says so.
file(WRITE "${WORK}/empty.txt" "\n")
foreach(args "--set-password=;${WORK}/password.txt" "--set-password;Admin;${WORK}/empty.txt")
    list(POP_BACK args input)
    execute_process(COMMAND "${PELU}" --data "${data}" ${args} INPUT_FILE "${input}"
                    RESULT_VARIABLE result ERROR_VARIABLE complaint)
    if(result EQUAL 0 OR complaint STREQUAL "")
        message(FATAL_ERROR "pelu ${args} with ${input} was not refused")
    endif()
endforeach()
# The upgrade takes the office's lock: a folder in its place is reported by path.
file(MAKE_DIRECTORY "${data}/pelu.lock")
execute_process(COMMAND "${PELU}" --data "${data}" --create-database RESULT_VARIABLE locked ERROR_VARIABLE reason)
if(locked EQUAL 0 OR NOT reason MATCHES "pelu.lock")
    message(FATAL_ERROR "a folder in the lock's place was not reported: ${reason}")
endif()
file(REMOVE_RECURSE "${data}/pelu.lock")
# A database file the operator may not write is named at start. Run as an unprivileged user,
# because root may write any file.
find_program(SETPRIV setpriv)
if(SETPRIV)
    # Only where that user can reach the program and this folder at all.
    execute_process(COMMAND "${SETPRIV}" --reuid=65534 --regid=65534 --clear-groups test -x "${PELU}" -a -x "${WORK}"
                    RESULT_VARIABLE unreachable)
endif()
if(SETPRIV AND unreachable EQUAL 0)
    set(readonly "${WORK}/cli-readonly")
    file(REMOVE_RECURSE "${readonly}")
    file(COPY "${data}/" DESTINATION "${readonly}" FILE_PERMISSIONS OWNER_READ GROUP_READ WORLD_READ
         DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_WRITE GROUP_EXECUTE
                               WORLD_READ WORLD_WRITE WORLD_EXECUTE)
    execute_process(COMMAND "${SETPRIV}" --reuid=65534 --regid=65534 --clear-groups
                            "${PELU}" --data "${readonly}" --create-database
                    RESULT_VARIABLE result ERROR_VARIABLE reason)
    if(result EQUAL 0 OR NOT reason MATCHES "cli-readonly/pelu.db")
        message(FATAL_ERROR "a database that cannot be written was not named at start (${result}): ${reason}")
    endif()
endif()
# Copying to a server wants a folder whose pelu.ini names one.
execute_process(COMMAND "${PELU}" --data "${data}" --copy-to-server RESULT_VARIABLE copied ERROR_VARIABLE reason)
if(copied EQUAL 0 OR NOT reason MATCHES "pelu.ini")
    message(FATAL_ERROR "--copy-to-server without a server in pelu.ini was not refused: ${reason}")
endif()
# An import by script: Admin's password on standard input, exit code 0 only when every row goes in.
file(WRITE "${WORK}/import/mq_wz.csv" "墓区,排,号,状态,墓地费\n北区,1,0001,未使用,12000.50\n北区,1,2,已购,9000\n")
execute_process(COMMAND "${PELU}" --data "${data}" --operator Admin --import "${WORK}/import/mq_wz.csv" --dry-run
                INPUT_FILE "${WORK}/password.txt" RESULT_VARIABLE result ERROR_VARIABLE complaint)
if(result EQUAL 0 OR NOT complaint MATCHES "mq_wz.csv 第 3 行 号：号“2”前面的零已丢失")
    message(FATAL_ERROR "a dry run with a bad row did not fail naming it (${result}): ${complaint}")
endif()
file(WRITE "${WORK}/import/mq_wz.csv" "墓区,排,号,状态,墓地费\n北区,1,0001,未使用,12000.50\n北区,1,0002,已购,9000\n")
foreach(attempt "Admin;${WORK}/empty.txt" "Nobody;${WORK}/password.txt")
    list(POP_BACK attempt input)
    execute_process(COMMAND "${PELU}" --data "${data}" --operator ${attempt} --import "${WORK}/import/mq_wz.csv"
                    INPUT_FILE "${input}" RESULT_VARIABLE result ERROR_VARIABLE complaint)
    if(result EQUAL 0 OR NOT complaint MATCHES "口令不对")
        message(FATAL_ERROR "an import as ${attempt} with ${input} was not refused (${result}): ${complaint}")
    endif()
endforeach()
foreach(run "--dry-run;检查完毕，2 条记录都可以导入" ";导入完毕！共导入 2 条记录")
    list(POP_BACK run said)
    execute_process(COMMAND "${PELU}" --data "${data}" --operator Admin --import "${WORK}/import/mq_wz.csv" ${run}
                    INPUT_FILE "${WORK}/password.txt" RESULT_VARIABLE result OUTPUT_VARIABLE output
                    ERROR_VARIABLE complaint)
    if(NOT result EQUAL 0 OR NOT output MATCHES "${said}")
        message(FATAL_ERROR "the import ${run} failed (${result}): ${output} ${complaint}")
    endif()
endforeach()
# The same file again would add every plot twice: refused, nothing written.
execute_process(COMMAND "${PELU}" --data "${data}" --operator Admin --import "${WORK}/import/mq_wz.csv"
                INPUT_FILE "${WORK}/password.txt" RESULT_VARIABLE result ERROR_VARIABLE complaint)
if(result EQUAL 0 OR NOT complaint MATCHES "墓位 北区1排0002号 已经存在")
    message(FATAL_ERROR "a second import of the same file was not refused (${result}): ${complaint}")
endif()
