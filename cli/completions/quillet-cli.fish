# fish completion for quillet-cli: commands, their options, chat files and
# folders, and message files for check.

set -l commands send read follow check help
complete -c quillet-cli -f

complete -c quillet-cli -n "not __fish_seen_subcommand_from $commands" -a send -d 'write one message into the chat folder'
complete -c quillet-cli -n "not __fish_seen_subcommand_from $commands" -a read -d 'print the messages waiting in the chat folder'
complete -c quillet-cli -n "not __fish_seen_subcommand_from $commands" -a follow -d 'print messages as they arrive, until Ctrl+C'
complete -c quillet-cli -n "not __fish_seen_subcommand_from $commands" -a check -d 'decode message files and tell what is wrong with them'
complete -c quillet-cli -n "not __fish_seen_subcommand_from $commands" -a help -d 'the help of a command'
complete -c quillet-cli -n "__fish_seen_subcommand_from help" -a "send read follow check"
complete -c quillet-cli -s h -l help -d 'show the help'
complete -c quillet-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'show the version'

complete -c quillet-cli -n "__fish_seen_subcommand_from send" -l xml -d 'write an XML message (.ZXMF) instead of a binary one'
complete -c quillet-cli -n "__fish_seen_subcommand_from send" -l name -x -d 'send under NAME instead of the name stored for the chat'
complete -c quillet-cli -n "__fish_seen_subcommand_from send" -l file -r -F -d 'send the file PATH: a copy in the chat folder, a message naming it'

complete -c quillet-cli -n "__fish_seen_subcommand_from read follow" -l json -d 'one JSON object a line'
complete -c quillet-cli -n "__fish_seen_subcommand_from read follow" -l since -x -d 'leave out messages sent before TIME (2026-12-07T08:30, 2h, 7d)'
complete -c quillet-cli -n "__fish_seen_subcommand_from read follow" -l others -d 'leave out your own messages'
complete -c quillet-cli -n "__fish_seen_subcommand_from read follow" -l color -x -a 'auto always never' -d 'colour the titles'
complete -c quillet-cli -n "__fish_seen_subcommand_from read follow" -s v -l verbose -d "also report Quillet's own notices"
complete -c quillet-cli -n "__fish_seen_subcommand_from follow" -l ack -d 'wait for a line on standard input after each message'
complete -c quillet-cli -n "__fish_seen_subcommand_from follow" -l new -d 'on the first start, skip the messages already waiting'
complete -c quillet-cli -n "__fish_seen_subcommand_from check" -l json -d 'one JSON object a file'

# CHAT: a chat file (*.ZPMFChat) or its folder; check takes message files.
complete -c quillet-cli -n "__fish_seen_subcommand_from send read follow" -F
complete -c quillet-cli -n "__fish_seen_subcommand_from check" -F
