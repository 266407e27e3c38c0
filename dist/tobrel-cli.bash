# bash completion for tobrel-cli
_tobrel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local command=${COMP_WORDS[1]}
    local directions="0 1 2 3 4 5 vgs-bleem vgs-psemu bleem-vgs bleem-psemu psemu-vgs psemu-bleem"
    COMPREPLY=()
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "convert saves slots codelist controller check --help" -- "$cur"))
        return
    fi
    case $command in
    convert)
        if [ "$COMP_CWORD" -eq 2 ]; then
            COMPREPLY=($(compgen -W "$directions" -- "$cur"))
        else
            COMPREPLY=($(compgen -f -- "$cur"))
        fi
        ;;
    saves)
        if [ "$COMP_CWORD" -eq 2 ] && [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--vgs --icons" -- "$cur"))
        elif [ "${COMP_WORDS[2]}" = "--icons" ] && [ "$COMP_CWORD" -eq 3 ]; then
            COMPREPLY=($(compgen -d -- "$cur"))
        else
            COMPREPLY=($(compgen -f -- "$cur"))
        fi
        ;;
    slots)
        local prev=${COMP_WORDS[COMP_CWORD - 1]}
        if [ "$prev" = "--emulator" ]; then
            COMPREPLY=($(compgen -W "duckstation pcsx-redux pcsxr epsxe" -- "$cur"))
        elif [ "$prev" = "--build" ]; then
            COMPREPLY=($(compgen -W "linux windows" -- "$cur"))
        elif [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--emulator --build --found" -- "$cur"))
        elif [[ " ${COMP_WORDS[*]} " == *" --emulator "* ]]; then
            case $COMP_CWORD in
            2 | 4) COMPREPLY=($(compgen -W "set swap" -- "$cur")) ;;
            *) COMPREPLY=($(compgen -f -- "$cur")) ;;
            esac
        else
            case $COMP_CWORD in
            2) COMPREPLY=($(compgen -W "set swap --emulator --found" -- "$cur")) ;;
            3) COMPREPLY=($(compgen -W "bleem vgs --emulator" -- "$cur")) ;;
            4) COMPREPLY=($(compgen -W "1 2" -- "$cur")) ;;
            5) COMPREPLY=($(compgen -f -- "$cur")) ;;
            esac
        fi
        ;;
    controller)
        case $COMP_CWORD in
        2) COMPREPLY=($(compgen -W "set" -- "$cur")) ;;
        3) COMPREPLY=($(compgen -W "1 2" -- "$cur")) ;;
        esac
        ;;
    check)
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--vgs" -- "$cur"))
        else
            COMPREPLY=($(compgen -f -- "$cur"))
        fi
        ;;
    codelist)
        COMPREPLY=($(compgen -f -- "$cur"))
        ;;
    esac
} &&
    complete -o filenames -F _tobrel_cli tobrel-cli
