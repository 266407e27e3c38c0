# bash completion for tobrel-cli

# The names the controller panel's selectors show: the IDs, or the keys of row $1.
_tobrel_cli_controller_names() {
    if [ "$1" = id ]; then
        printf '%s\n' EMPTY ID{1..16}
        return
    fi
    local -a names=(EMPTY ← ↑ → ↓ BS TAB SHIFT CTRL ALT SPACE INS DEL HOME END "PAGE UP"
        "PAGE DOWN" WINKEY APPKEY F{1..12} {0..9} {A..Z} "NUM "{0..9} "NUM ." "NUM /" "NUM *"
        "NUM -" "NUM +")
    case $1 in
    0 | 1) names+=("ｺﾝﾄﾛｰﾗ Y軸") ;;
    2 | 3) names+=("ｺﾝﾄﾛｰﾗ X軸") ;;
    *) names+=(ﾎﾞﾀﾝ0{1..9} ﾎﾞﾀﾝ1{0..2}) ;;
    esac
    printf '%s\n' "${names[@]}"
}

_tobrel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local command=${COMP_WORDS[1]}
    local directions="0 1 2 3 4 5 vgs-bleem vgs-psemu bleem-vgs bleem-psemu psemu-vgs psemu-bleem"
    COMPREPLY=()
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "convert saves export import delete undelete copy slots codelist controller check --help" -- "$cur"))
        return
    fi
    case $command in
    convert)
        if [ "$COMP_CWORD" -eq 2 ]; then
            COMPREPLY=($(compgen -W "$directions --to" -- "$cur"))
        elif [ "$COMP_CWORD" -eq 3 ] && [ "${COMP_WORDS[2]}" = "--to" ]; then
            COMPREPLY=($(compgen -W "raw mcr mcd mem gme vmp" -- "$cur"))
        else
            COMPREPLY=($(compgen -f -- "$cur"))
        fi
        ;;
    saves)
        if [ "$COMP_CWORD" -eq 2 ] && [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--vgs --all --icons" -- "$cur"))
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
        4) COMPREPLY=($(compgen -W "$(echo {0..13})" -- "$cur")) ;;
        5 | 6)
            local IFS=$'\n' which=id
            [ "$COMP_CWORD" -eq 6 ] && which=${COMP_WORDS[4]}
            COMPREPLY=($(compgen -W "$(_tobrel_cli_controller_names "$which")" -- "$cur"))
            ;;
        esac
        ;;
    check)
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--vgs" -- "$cur"))
        else
            COMPREPLY=($(compgen -f -- "$cur"))
        fi
        ;;
    codelist | import)
        COMPREPLY=($(compgen -f -- "$cur"))
        ;;
    export | delete | undelete | copy)
        # The block (1-15) comes after the card; everything else is a file.
        if [ "$COMP_CWORD" -eq 3 ]; then
            COMPREPLY=($(compgen -W "$(seq 1 15)" -- "$cur"))
        else
            COMPREPLY=($(compgen -f -- "$cur"))
        fi
        ;;
    esac
} &&
    complete -o filenames -F _tobrel_cli tobrel-cli
