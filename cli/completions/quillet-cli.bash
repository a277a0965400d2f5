# bash completion for quillet-cli: commands, their options, chat files and
# folders, and message files for check. Needs nothing beyond bash itself.

_quillet_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command="" operands=0 ended="" i word
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -z $ended && $word == -- ]]; then
            ended=1
        elif [[ -z $ended && ( $word == --name || $word == --since || $word == --file ) ]]; then
            ((i++))  # its value
        elif [[ -n $ended || $word != -?* ]]; then
            if [[ -z $command ]]; then command=$word; else ((operands++)); fi
        fi
    done

    case $prev in
        --name | --since) return ;;  # free text
        --file)
            local IFS=$'\n'
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
    esac
    # "--color=WHEN": one word, or three where COMP_WORDBREAKS holds "=".
    local when="" colour=""
    if [[ $cur == --color=* ]]; then
        colour=1 when=${cur#--color=}
    elif [[ $prev == = && ${COMP_WORDS[COMP_CWORD - 2]} == --color ]]; then
        colour=1 when=$cur
    elif [[ $cur == = && $prev == --color ]]; then
        colour=1
    fi
    if [[ -z $ended && -n $colour ]]; then
        COMPREPLY=($(compgen -W "auto always never" -- "$when"))
        return
    fi

    local options
    case $command in
        "") options="--help --version" ;;
        send) options="--xml --name --file --help" ;;
        read) options="--json --since --others --color --verbose --help" ;;
        follow) options="--json --ack --new --since --others --color --verbose --help" ;;
        check) options="--json --help" ;;
        help) options="" ;;
    esac
    if [[ -z $ended && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case $command in
        "" | help)
            [[ $command == help && $operands -gt 0 ]] && return
            COMPREPLY=($(compgen -W "send read follow check help" -- "$cur"))
            ;;
        send | read | follow)
            ((operands > 0)) && return  # the chat is given; the rest is the text
            local IFS=$'\n'            # names with blanks stay whole
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[Zz][Pp][Mm][Ff][Cc][Hh][Aa][Tt]' -- "$cur"))
            ;;
        check)
            local IFS=$'\n'
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -d -- "$cur")
                $(compgen -f -X '!*.[Zz][PpXxTt][Mm][Ff]' -- "$cur"))
            ;;
    esac
}

complete -F _quillet_cli quillet-cli
