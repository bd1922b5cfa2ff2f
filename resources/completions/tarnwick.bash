# bash completion for tarnwick: the options and the seven slot key names as
# the first word, NOMSG after a key, a key after --print.
_tarnwick() {
    local current=${COMP_WORDS[COMP_CWORD]}
    local keys="OFFI-1 OFFI-2 PRIV-1 PRIV-2 PRIV-3 PRIV-4 PRIV-5"
    local options="--status --refresh --list --find-tails --print --help --version"
    local candidates=""
    if [[ $COMP_CWORD -eq 1 ]]; then
        candidates="$keys $options"
    elif [[ $COMP_CWORD -eq 2 ]]; then
        # The program takes keys and NOMSG in any case; offer them upper case.
        case ${COMP_WORDS[1]^^} in
            OFFI-[12] | PRIV-[1-5]) candidates="NOMSG" ;;
            --PRINT) candidates="$keys" ;;
        esac
    fi
    # Upper case what was typed so that "priv-2" completes to PRIV-2.
    [[ $current == -* ]] || current=${current^^}
    COMPREPLY=($(compgen -W "$candidates" -- "$current"))
}
complete -F _tarnwick tarnwick
