# bash completion for quillora-server

_quillora_server()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --engine)
            COMPREPLY=($(compgen -W "rules openai" -- "$cur"))
            return
            ;;
        --mode)
            COMPREPLY=($(compgen -W "local token" -- "$cur"))
            return
            ;;
        --database | --dictionary | --rules-data | --wordnet | --tls-cert | --tls-key)
            _filedir
            return
            ;;
        --listen | --latest-version | --latest-url | --access-ttl | --refresh-ttl | --upstream-budget | \
            --openai-base-url | --openai-model | --openai-api-key | --header-timeout | --body-timeout | \
            --body-min-rate | --idle-timeout | --max-connections | --max-connections-per-client | --max-presets | \
            --database-connections | \
            --max-answer-bytes | --daily-polish-limit | --upstream-concurrency | --upstream-queue-timeout | --engine-threads)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--listen --database --engine --mode --force-local --latest-version
            --latest-url --access-ttl --refresh-ttl --upstream-budget --openai-base-url --openai-model
            --openai-api-key --no-fallback --dictionary --rules-data --wordnet --header-timeout --body-timeout
            --body-min-rate --idle-timeout --max-connections --max-connections-per-client --max-presets
            --database-connections
            --max-answer-bytes --daily-polish-limit --upstream-concurrency --upstream-queue-timeout --engine-threads
            --tls-cert --tls-key --help --version" -- "$cur"))
    elif ((cword == 1)); then
        COMPREPLY=($(compgen -W "users" -- "$cur"))
    elif [[ ${words[cword - 1]} == users ]]; then
        COMPREPLY=($(compgen -W "add" -- "$cur"))
    fi
} &&
    complete -F _quillora_server quillora-server
