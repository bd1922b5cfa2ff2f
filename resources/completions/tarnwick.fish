# fish completion for tarnwick: the options and the slot key names as the
# first word, NOMSG after a key, a key after --print.
set -l keys OFFI-1 OFFI-2 PRIV-1 PRIV-2 PRIV-3 PRIV-4 PRIV-5

# Whether the word being completed is the second and the first matches the
# pattern, in any case as the program reads it.
function __tarnwick_second_after --argument pattern
    set -l tokens (commandline -opc)
    test (count $tokens) -eq 2; and string match -qir -- $pattern $tokens[2]
end

complete -c tarnwick -f
complete -c tarnwick -n "__fish_is_first_arg" -a "$keys"
complete -c tarnwick -n "__fish_is_first_arg" -l status -d "print which slot the tail file holds"
complete -c tarnwick -n "__fish_is_first_arg" -l refresh -d "write the live slot again with the date and time of now"
complete -c tarnwick -n "__fish_is_first_arg" -l list -d "print the seven slots and whether the base file has each block"
complete -c tarnwick -n "__fish_is_first_arg" -l find-tails -d "print where the mail programs read their signature"
complete -c tarnwick -n "__fish_is_first_arg" -l print -d "print a slot's text, or the live slot's, for a signature command"
complete -c tarnwick -n "__fish_is_first_arg" -l help -d "print every form of the command line"
complete -c tarnwick -n "__fish_is_first_arg" -l version -d "print the version"
complete -c tarnwick -n "__tarnwick_second_after '^--print\$'" -a "$keys"
complete -c tarnwick -n "__tarnwick_second_after '^(OFFI-[12]|PRIV-[1-5])\$'" -a NOMSG -d "no success message"
